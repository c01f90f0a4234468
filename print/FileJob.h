#pragma once

class PrintArgs;

// The jobs that hand the file on as it is, without laying it out: raw to the spooler
// (-direct), copied to another path (-copy), or to another program whose output file is
// collected (-run, -response). The print server uses the last one for its clients'
// -run and -response requests and sends the collected file back.
//
// Which of them a run does follows from -copy and -run alone:
//   neither      print (laid out, or raw with -direct); -response is not looked at
//   -copy        copy only; with -response this is an error
//   -copy -run   copy, then run on the copy
//   -run         run on the file itself
class FileJob {
public:
    explicit FileJob(const PrintArgs& options);

    // True when the options ask to copy or run the file instead of printing it.
    bool handsOver() const;
    // The copy and run modes. True when the job succeeded.
    bool copyAndRun();
    // Reads the whole file and sends it raw to the printer, up to its first NUL byte.
    // True when the document was handed to the spooler.
    bool printDirect();

private:
    bool runOn(const char* file);

    const PrintArgs& mArgs;
};

// Creates the directories of a file path, one at a time along its backslashes (the only
// separator it knows). True when the last one, the whole directory part, was created by
// this call, or when the path has no directory part; false when it existed already or
// could not be made, or when the path is 5000 characters or longer.
bool makeDirectories(const char* path);
