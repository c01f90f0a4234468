// The wire messages a server or client reads from a peer: type codes, strings, files and
// aborts in any order, cut anywhere.
#include "MemorySock.h"
#include "FuzzDir.h"

#include "net/USockMAbort.h"
#include "net/USockMCmdline.h"
#include "net/USockMFile.h"
#include "net/USockMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    enterFuzzDirectory();
    MemorySock peer(data, size);
    USockMessage reader;
    for (int i = 0; i < 8; ++i) {
        const int code = reader.readType(peer);
        bool ok = false;
        if (code == USockMessage::kCmdline) {
            USockMCmdline line;
            ok = line.read(peer);
        } else if (code == USockMessage::kAbort) {
            USockMAbort abort;
            ok = abort.read(peer);
        } else if (code == USockMessage::kFile || (code >= USockMessage::kFileName && code <= USockMessage::kFileLog)) {
            // The name the peer gives is never used: the server names what it stores.
            USockMFile file(UString(""), UString("wire.bin"));
            ok = file.read(peer);
        }
        if (!ok)
            break;
    }
    return 0;
}
