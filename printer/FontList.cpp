#include "printer/FontList.h"

#include "common/JobProtocol.h"
#include "common/ULog.h"
#include "printer/PrinterOs.h"
#include "common/UFile.h"

#include <set>
#include <string>

namespace {

const char* const kFontList = JobProtocol::kFontList;

// What one enumeration learns: whether a line could not be written, and the faces listed
// so far. The system enumerates a face once per character set and style, six to eight
// times for a common one; the list names each once.
struct FontListRun {
    bool failed = false;
    std::set<std::string> listed;
};

} // namespace

bool listedfont(int pitchAndFamily, unsigned fontType)
{
    const unsigned trueType = 0x4;
    const int fixedPitch = 1;
    return (fontType & trueType) != 0 && (pitchAndFamily & 0x3) == fixedPitch;
}

int fontlist_proc(const char* face, int pitchAndFamily, unsigned fontType, void* user)
{
    if (face == nullptr || !listedfont(pitchAndFamily, fontType))
        return 1;
    FontListRun* run = static_cast<FontListRun*>(user);
    if (run != nullptr && !run->listed.insert(face).second)
        return 1;
    UFile list(kFontList, "r+b");
    if (!list.isOpen())
        list.open(kFontList, "wb");
    bool ok = list.isOpen();
    if (ok) {
        ok = std::fseek(list.get(), 0, SEEK_END) == 0 && std::fprintf(list.get(), "%s\n", face) >= 0;
        ok = list.close() && ok;
    }
    if (!ok) {
        ULog::write("fontlist_proc(...): fopen(\"./fontlist.txt\"): could not write font list", ULog::Error);
        if (run != nullptr)
            run->failed = true;
        return 0;
    }
    return 1;
}

bool fontlist()
{
    // Every face is appended by a separate open, so the file is closed before they come.
    if (!UFile(kFontList, "wb").isOpen())
        return false;
    FontListRun run;
    if (!PrinterOs::enumScreenFonts(fontlist_proc, &run)) {
        ULog::write("fontlist(): GetWindowDC(NULL): cannot enumerate fonts", ULog::Error);
        return false;
    }
    return !run.failed;
}
