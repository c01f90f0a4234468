#include "client/ReplyFiles.h"

#include "client/ClientFiles.h"
#include "client/SafeName.h"

#include <cctype>
#include <cstdio>

ReplyFiles::ReplyFiles(const std::string& dir, bool replace) : mDir(dir), mReplace(replace) {}

bool ReplyFiles::prepare(std::string& error)
{
    std::string dir = mDir;
    // A trailing separator names the same directory.
    while (dir.size() > 1 && ClientFiles::isSeparator(dir.back()))
        dir.pop_back();
    if (dir.empty() || ClientFiles::isDirectory(dir))
        return true;
    // Every leading part in turn; those that exist (or cannot be made, such as a drive
    // name) are passed over, and the last one settles it.
    for (size_t i = 1; i < dir.size(); ++i)
        if (ClientFiles::isSeparator(dir[i]) && !ClientFiles::isSeparator(dir[i - 1]))
            if (!ClientFiles::isDirectory(dir.substr(0, i)))
                ClientFiles::makeDirectory(dir.substr(0, i));
    if (!ClientFiles::isDirectory(dir) && !ClientFiles::makeDirectory(dir) && !ClientFiles::isDirectory(dir)) {
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
        const std::string p = SafeName::join(mDir, candidate, ClientFiles::separator());
        if (mReplace) {
            if (ClientFiles::isDirectory(p))
                continue;
        } else {
            const ClientFiles::Creation made = ClientFiles::createNew(p);
            // Windows may refuse a directory of that name with another error than "exists".
            if (made == ClientFiles::Exists || ClientFiles::isDirectory(p))
                continue;
            if (made == ClientFiles::Failed) {
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
