#include "client/SpoolFile.h"

#include "client/SafeName.h"
#include "common/UFile.h"
#include "common/UOs.h"

#include <cstdlib>

namespace {

// The usual variables on both systems; the current directory as a last resort.
std::string temporaryDirectory()
{
    for (const char* name : {"TMPDIR", "TEMP", "TMP"}) {
        const char* dir = std::getenv(name);
        if (dir != nullptr && *dir != '\0' && UOs::isDirectory(dir))
            return dir;
    }
    return UOs::isDirectory("/tmp") ? "/tmp" : ".";
}

} // namespace

SpoolFile::~SpoolFile()
{
    if (!mPath.empty())
        std::remove(mPath.c_str());
}

bool SpoolFile::needed(const std::string& path)
{
    if (UOs::isDirectory(path.c_str()))
        return false;
    UFile f(path.c_str(), "rb");
    return f.isOpen() && (std::fseek(f.get(), 0, SEEK_END) != 0 || std::ftell(f.get()) < 0);
}

bool SpoolFile::copy(std::FILE* in, std::string& error)
{
    const std::string dir = temporaryDirectory();
    const std::string stem = "draxomeClient-" + std::to_string(UOs::tickCount()) + ".txt";
    for (int n = 0; n < 1000 && mPath.empty(); ++n) {
        const std::string p = SafeName::join(dir, SafeName::variant(stem, n), UOs::pathSeparator());
        const UOs::Creation made = UOs::createNewFile(p.c_str());
        if (made == UOs::Created)
            mPath = p;
        else if (made == UOs::CreateFailed)
            break;
    }
    if (mPath.empty()) {
        error = "cannot make a temporary file in '" + dir + "' to hold standard input";
        return false;
    }
    UFile out(mPath.c_str(), "wb");
    char buf[65536];
    size_t n = 0;
    bool written = out.isOpen();
    while (written && (n = std::fread(buf, 1, sizeof buf, in)) > 0)
        written = std::fwrite(buf, 1, n, out.get()) == n;
    if (!written || std::ferror(in) != 0 || !out.close()) {
        error = "cannot copy the input to the temporary file '" + mPath + "'";
        return false;
    }
    return true;
}
