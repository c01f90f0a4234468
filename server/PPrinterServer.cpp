#include "server/PPrinterServer.h"

#include "common/ULog.h"
#include "net/USockTcp.h"
#include "server/PExchange.h"
#include "server/PJobHistory.h"
#include "server/PJobStaging.h"
#include "server/PLpdReceiver.h"
#include "server/PRawReceiver.h"
#include "server/PServerControl.h"
#include "server/PUptime.h"

#include <new>
#include <string>
#include <vector>

namespace {

void logError(const char* msg) { ULog::write(msg, ULog::Error); }

const double kStopLookSeconds = 0.2;

} // namespace

namespace {

// Opens, binds and listens; false after its log line.
bool startListening(USockTcp& listener, const UString& host, int port)
{
    if (!listener.open(host, port)) {
        logError("PPrinterServer::run(): could not open socket");
        return false;
    }
    if (!listener.bind()) {
        logError("PPrinterServer::run(): could not bind socket");
        listener.close();
        return false;
    }
    if (!listener.listen()) {
        logError("PPrinterServer::run(): could not listen");
        listener.close();
        return false;
    }
    return true;
}

UString listeningLine(const char* what, const USockTcp& listener, int port)
{
    UString line("PPrinterServer::run(): ");
    line += what;
    line += listener.address;
    line += ":";
    line += std::to_string(port).c_str();
    return line;
}

void closeAll(std::vector<USockTcp>& listeners)
{
    for (USockTcp& listener : listeners)
        listener.close();
}

// One connection of a front end, served to its end before the loop goes on.
void serveFrontEnd(const PFrontEndPort& frontEnd, const USockTcp& connection, const UString& peer)
{
    if (frontEnd.kind == PFrontEndPort::Lpd) {
        PLpdReceiver receiver(connection, peer);
        receiver.run();
    } else {
        PRawReceiver receiver(connection, peer, frontEnd.queue);
        receiver.run();
    }
}

} // namespace

bool PPrinterServer::run(const UString& host, int port, const std::vector<PFrontEndPort>& frontEnds)
{
    // The server's own port first, then one per front end, in the order of frontEnds.
    std::vector<USockTcp> listeners(frontEnds.size() + 1);
    if (!startListening(listeners[0], host, port))
        return false;
    ULog::write(listeningLine("listening on ", listeners[0], port), ULog::Info);
    for (size_t i = 0; i < frontEnds.size(); ++i) {
        const PFrontEndPort& frontEnd = frontEnds[i];
        if (!startListening(listeners[i + 1], frontEnd.host, frontEnd.port)) {
            closeAll(listeners);
            return false;
        }
        UString line = listeningLine(frontEnd.kind == PFrontEndPort::Lpd ? "lpd listening on " : "raw listening on ",
                                     listeners[i + 1], frontEnd.port);
        if (frontEnd.kind == PFrontEndPort::Raw) {
            line += " for queue '";
            line += frontEnd.queue;
            line += "'";
        }
        ULog::write(line, ULog::Info);
    }
    std::vector<const USock*> waitOn;
    for (const USockTcp& listener : listeners)
        waitOn.push_back(&listener);
    PServerControl::listening();
    for (;;) {
        if (PServerControl::stopRequested()) {
            ULog::write("PPrinterServer::run(): stop requested: no more connections accepted", ULog::Info);
            closeAll(listeners);
            return true;
        }
        // Short waits, so a stop request is seen even when no client comes.
        const int ready = USock::awaitFirstClient(waitOn.data(), static_cast<int>(waitOn.size()), kStopLookSeconds);
        if (ready < 0)
            continue;
        USockTcp* connection = new (std::nothrow) USockTcp;
        if (connection == nullptr || !listeners[static_cast<size_t>(ready)].accept(*connection)) {
            delete connection;
            logError("PPrinterServer::run(): could not accept connection");
            closeAll(listeners);
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
        if (ready == 0) {
            dispatch(connection);
            continue;
        }
        const USockTcp accepted(*connection);
        delete connection;
        serveFrontEnd(frontEnds[static_cast<size_t>(ready - 1)], accepted, address);
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
