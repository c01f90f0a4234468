#include "server/PPrinterServer.h"

#include "common/ULog.h"
#include "net/USockTcp.h"
#include "server/PExchange.h"
#include "server/PJobHistory.h"
#include "server/PJobStaging.h"
#include "server/PServerControl.h"
#include "server/PUptime.h"

#include <new>
#include <string>

namespace {

void logError(const char* msg) { ULog::write(msg, ULog::Error); }

const double kStopLookSeconds = 0.2;

} // namespace

bool PPrinterServer::run(const UString& host, int port)
{
    USockTcp listener;
    if (!listener.open(host, port)) {
        logError("PPrinterServer::run(): could not open socket");
        return false;
    }
    if (!listener.bind()) {
        logError("PPrinterServer::run(): could not bind socket");
        return false;
    }
    if (!listener.listen()) {
        logError("PPrinterServer::run(): could not listen");
        return false;
    }
    UString where("PPrinterServer::run(): listening on ");
    where += listener.address;
    where += ":";
    where += std::to_string(port).c_str();
    ULog::write(where, ULog::Info);
    PServerControl::listening();
    for (;;) {
        if (PServerControl::stopRequested()) {
            ULog::write("PPrinterServer::run(): stop requested: no more connections accepted", ULog::Info);
            return true;
        }
        // Short waits, so a stop request is seen even when no client comes.
        if (!listener.awaitClient(kStopLookSeconds))
            continue;
        USockTcp* connection = new (std::nothrow) USockTcp;
        if (connection == nullptr || !listener.accept(*connection)) {
            delete connection;
            logError("PPrinterServer::run(): could not accept connection");
            return false;
        }
        UString name;
        UString address;
        if (connection->getPeerAddress(name, address)) {
            UString line("PPrinterServer::run(): connection accepted from ");
            // The name comes from the client's own name server.
            line += ULog::untrusted(name.str());
            line += "(";
            line += address;
            line += ")";
            ULog::write(line, ULog::Info);
        }
        dispatch(connection);
    }
}

unsigned PPrinterServer::dispatch(void* lpParam)
{
    USock* passed = static_cast<USock*>(lpParam);
    // The copy names the same handle; the heap object goes at once, before anything can fail.
    const USockTcp connection(*static_cast<USockTcp*>(passed));
    delete passed;
    const UString stamp = PJobStaging::jobStamp(PUptime::watch());
    unsigned result = 0;
    {
        PExchange exchange(connection, stamp);
        result = exchange.run();
    }
    PJobHistory::finished(stamp);
    return result;
}
