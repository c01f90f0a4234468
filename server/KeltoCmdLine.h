#pragma once

#include "common/UCmdLine.h"
#include "common/UString.h"

// The server's option record: the server's own command line at start-up, and each
// client's job command line. Only the options the server itself acts on are taken;
// everything else is left to the print program.
class KeltoCmdLine : public UCmdLine {
public:
    static const int kDefaultPort = 2345;

    KeltoCmdLine();
    ~KeltoCmdLine() override;

    // The vector holds no program name. An argument that does not begin with "-", or
    // whose rest is no keyword, is skipped; a value option takes the next argument,
    // whatever it is. False, after one Error line, when a value option ends the vector.
    bool parse(int& argc, char**& argv) override;

    UString openFile;
    UString logFile;
    bool logEnabled;
    bool fontList;
    bool response;
    UString responseFile;
    bool printList;
    bool resList;
    bool ver;
    UString listenAddr;
    bool view;
};
