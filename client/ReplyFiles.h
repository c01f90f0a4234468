#pragma once

#include <set>
#include <string>

// The output directory of one job and the files the job's replies go into. Each reply
// gets a file of its own: the wanted name if it is free (or the user allowed replacing),
// else the first free numbered variant of it. A name handed out once in a run is never
// handed out again, with or without replacing, so two replies of one job never share a
// file.
class ReplyFiles {
public:
    // Variants tried before giving up.
    static constexpr int kMaxVariants = 1000;

    ReplyFiles(const std::string& dir, bool replace);

    // Makes the directory, and its parents, when it is missing. False when it is not a
    // directory and cannot be made; error says so.
    bool prepare(std::string& error);
    // Chooses and claims the file for a reply whose wanted name is name (a plain name, see
    // SafeName). Without replacing, the file is created empty here, in one step with the
    // check that it is new. False when no name can be claimed; error says why.
    bool reserve(const std::string& name, std::string& path, std::string& error);
    // Removes a claimed file whose content did not arrive whole.
    void discard(const std::string& path);

private:
    std::string mDir;
    bool mReplace;
    // Lower case: on Windows two names that differ only in case are one file.
    std::set<std::string> mTaken;
};
