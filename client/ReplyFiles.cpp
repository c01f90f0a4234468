#include "client/ReplyFiles.h"

#include "client/SafeName.h"
#include "common/UOs.h"

#include <cctype>
#include <cstdio>

namespace {

bool isSeparator(char c) { return c == '/' || c == UOs::pathSeparator(); }

bool isDirectory(const std::string& path) { return UOs::isDirectory(path.c_str()); }

void makeDirectory(const std::string& path) { UOs::makeDirectory(path.c_str()); }

} // namespace

ReplyFiles::ReplyFiles(const std::string& dir, bool replace) : mDir(dir), mReplace(replace) {}

bool ReplyFiles::prepare(std::string& error)
{
    std::string dir = mDir;
    // A trailing separator names the same directory.
    while (dir.size() > 1 && isSeparator(dir.back()))
        dir.pop_back();
    if (dir.empty() || isDirectory(dir))
        return true;
    // Every leading part in turn; those that exist (or cannot be made, such as a drive
    // name) are passed over, and the last one settles it.
    for (size_t i = 1; i < dir.size(); ++i)
        if (isSeparator(dir[i]) && !isSeparator(dir[i - 1]))
            if (!isDirectory(dir.substr(0, i)))
                makeDirectory(dir.substr(0, i));
    if (!isDirectory(dir) && !UOs::makeDirectory(dir.c_str()) && !isDirectory(dir)) {
        error = "cannot make the output directory '" + mDir + "'";
        return false;
    }
    return true;
}

bool ReplyFiles::reserve(const std::string& name, std::string& path, std::string& error)
{
    for (int n = 0; n < kMaxVariants; ++n) {
        const std::string candidate = SafeName::variant(name, n);
        std::string key = candidate;
        for (char& c : key)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (mTaken.count(key) != 0)
            continue;
        const std::string p = SafeName::join(mDir, candidate, UOs::pathSeparator());
        if (mReplace) {
            if (isDirectory(p))
                continue;
        } else {
            const UOs::Creation made = UOs::createNewFile(p.c_str());
            // Windows may refuse a directory of that name with another error than "exists".
            if (made == UOs::Exists || isDirectory(p))
                continue;
            if (made == UOs::CreateFailed) {
                error = "cannot create '" + p + "'";
                return false;
            }
        }
        mTaken.insert(key);
        path = p;
        return true;
    }
    error = "no free file name for '" + name + "' in '" + (mDir.empty() ? "." : mDir) + "'";
    return false;
}

void ReplyFiles::discard(const std::string& path) { std::remove(path.c_str()); }
