#include "server/PLpdReceiver.h"

#include "common/UFile.h"
#include "common/ULog.h"
#include "server/PClientPolicy.h"
#include "server/PJobStaging.h"
#include "server/PQueueFile.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Commands and subcommand lines are a byte, a queue or count and a name: short.
const size_t kMostLine = 1024;
// A control file is a few lines per data file.
const long long kMostControl = 64 * 1024;
// Print lines beyond this in one job are not copies anybody wants.
const size_t kMostPrints = 100;
// How long a refused peer may go on sending before the connection is closed regardless.
const double kRefusalDeliverySeconds = 2.0;
const size_t kMostValue = 200;

const char kAck = '\0';
const char kRefuse = '\1';

// "count SP name": the count as digits alone; false for anything else.
bool countAndName(const std::string& operand, long long& count, std::string& name)
{
    const size_t space = operand.find(' ');
    const std::string digits = operand.substr(0, space);
    if (digits.empty() || digits.size() > 15)
        return false;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
    }
    count = std::atoll(digits.c_str());
    name = space == std::string::npos ? std::string() : operand.substr(space + 1);
    return true;
}

// The first operand of a command: up to the first blank.
std::string firstWord(const std::string& operand)
{
    const size_t end = operand.find_first_of(" \t");
    return operand.substr(0, end);
}

} // namespace

PLpdReceiver::PLpdReceiver(const USockTcp& connection, const UString& peer)
    : mConnection(connection), mReader(connection, PClientPolicy::clientTimeout()), mHasControl(false),
      mRefused(false)
{
    mJob.frontEnd = "lpd";
    mJob.peer = peer;
}

PLpdReceiver::~PLpdReceiver()
{
    // Whatever way the connection ended, nothing of an unfinished job stays on disk.
    for (const DataFile& file : mData)
        PJobRunner::discard(file.stamp);
}

void PLpdReceiver::run()
{
    std::string line;
    const PPeerReader::Result r = mReader.readLine(line, kMostLine);
    if (r == PPeerReader::Ok && !line.empty())
        serveCommand(line);
    else if (r != PPeerReader::Closed)
        ULog::write("PPrinterServer::run(): lpd: no command line came", ULog::Error);
    if (mRefused)
        mConnection.closeAfterSending(kRefusalDeliverySeconds);
    else
        mConnection.close();
}

void PLpdReceiver::reply(char code) { mReader.send(&code, 1); }

void PLpdReceiver::serveCommand(const std::string& line)
{
    const std::string operand = line.substr(1);
    switch (line[0]) {
    case '\1':
        // Jobs print as they arrive: nothing waits.
        reply(kAck);
        return;
    case '\2':
        receiveJob(firstWord(operand));
        return;
    case '\3':
    case '\4': {
        // Jobs print while their connection lasts, and connections are served one at a
        // time: when anyone can ask, no job is printing.
        std::string text = PJobRunner::plainText(firstWord(operand), kMostValue);
        text += ": no entries\n";
        mReader.send(text.data(), static_cast<int>(text.size()));
        return;
    }
    case '\5':
        // A job is printed and gone before anyone could ask to remove it.
        reply(kAck);
        return;
    default: {
        UString logLine("PPrinterServer::run(): lpd: unknown command ");
        logLine += std::to_string(static_cast<unsigned char>(line[0])).c_str();
        logLine += " from ";
        logLine += mJob.peer;
        ULog::write(logLine, ULog::Error);
        reply(kRefuse);
        mRefused = true;
        return;
    }
    }
}

void PLpdReceiver::receiveJob(const std::string& queue)
{
    mJob.queue = UString(queue.c_str());
    PQueueFile queues;
    queues.load(PClientPolicy::queueFile().str());
    if (!queues.find(queue, mQueueOptions)) {
        PJobRunner::log(mJob, 0, "refused: no such queue", true);
        reply(kRefuse);
        mRefused = true;
        return;
    }
    reply(kAck);
    for (;;) {
        std::string line;
        const PPeerReader::Result r = mReader.readLine(line, kMostLine);
        if (r != PPeerReader::Ok) {
            // Between jobs the peer may close or fall silent; within one it has lost it.
            if (mHasControl || !mData.empty())
                dropJob(r == PPeerReader::Closed ? "not printed: the peer closed before the job was whole"
                                                 : "not printed: the peer stopped sending");
            return;
        }
        if (!subcommand(line))
            return;
        printIfWhole();
    }
}

bool PLpdReceiver::subcommand(const std::string& line)
{
    long long count = 0;
    std::string name;
    const char code = line.empty() ? '\0' : line[0];
    if (code == '\1') {
        dropJob("not printed: aborted by the peer");
        return true;
    }
    if ((code == '\2' || code == '\3') && countAndName(line.substr(1), count, name))
        return code == '\2' ? receiveControl(count) : receiveData(count, name);
    dropJob("refused: not a receive-job subcommand");
    reply(kRefuse);
    mRefused = true;
    return false;
}

bool PLpdReceiver::receiveControl(long long count)
{
    if (count > kMostControl || count == 0 || mHasControl) {
        dropJob("refused: the control file is too large, empty or a second one");
        reply(kRefuse);
        mRefused = true;
        return false;
    }
    reply(kAck);
    mControlText.clear();
    std::string end;
    if (mReader.readCount(count, nullptr, &mControlText) != PPeerReader::Ok ||
        mReader.readCount(1, nullptr, &end) != PPeerReader::Ok) {
        dropJob("not printed: the peer stopped sending");
        return false;
    }
    mHasControl = true;
    const Control control = parseControl(mControlText);
    mJob.user = control.user;
    mJob.host = control.host;
    reply(kAck);
    return true;
}

bool PLpdReceiver::receiveData(long long count, const std::string& name)
{
    const long long most = PClientPolicy::maxJobBytes() - jobBytes();
    if (count > most) {
        dropJob("refused: larger than -maxjob");
        reply(kRefuse);
        mRefused = true;
        return false;
    }
    DataFile file;
    file.name = name;
    file.stamp = PJobRunner::freshStamp();
    file.bytes = 0;
    UFile out(PJobStaging::jobFileName(file.stamp).str(), "wb");
    // Listed before anything is written: whatever happens next, the file is removed.
    mData.push_back(file);
    if (!out.isOpen()) {
        dropJob("not printed: could not create the job file");
        reply(kRefuse);
        mRefused = true;
        return false;
    }
    reply(kAck);
    PPeerReader::Result r = PPeerReader::Ok;
    // CUPS, when it streams, closes after the announced bytes without the zero byte that
    // ends a file: the file is whole and it is the last of the job.
    bool endedByClose = count == 0;
    if (count == 0) {
        // Read until the peer closes: the last file of the job.
        r = mReader.readToEnd(most, out.get(), mData.back().bytes);
    } else {
        r = mReader.readCount(count, out.get(), nullptr);
        // What arrived, for the log line of a job that did not arrive whole.
        const long at = std::ftell(out.get());
        mData.back().bytes = at > 0 ? at : 0;
        std::string end;
        if (r == PPeerReader::Ok) {
            r = mReader.readCount(1, nullptr, &end);
            if (r == PPeerReader::Closed) {
                r = PPeerReader::Ok;
                endedByClose = true;
            }
        }
    }
    const bool closed = out.close();
    switch (r) {
    case PPeerReader::Ok:
        break;
    case PPeerReader::TooLarge:
        dropJob("refused: larger than -maxjob");
        reply(kRefuse);
        mRefused = true;
        return false;
    case PPeerReader::NotWritten:
        dropJob("not printed: could not write the job file");
        reply(kRefuse);
        mRefused = true;
        return false;
    default:
        dropJob("not printed: the peer stopped sending");
        return false;
    }
    if (!closed) {
        dropJob("not printed: could not write the job file");
        reply(kRefuse);
        mRefused = true;
        return false;
    }
    if (endedByClose) {
        // Nothing can follow a file that ended with the connection.
        printIfWhole();
        if (mHasControl || !mData.empty())
            dropJob("not printed: the peer closed before the job was whole");
        return false;
    }
    reply(kAck);
    return true;
}

long long PLpdReceiver::jobBytes() const
{
    long long total = 0;
    for (const DataFile& file : mData)
        total += file.bytes;
    return total;
}

void PLpdReceiver::printIfWhole()
{
    if (!mHasControl)
        return;
    const Control control = parseControl(mControlText);
    for (const std::string& name : control.files) {
        bool arrived = false;
        for (const DataFile& file : mData)
            arrived = arrived || file.name == name;
        if (!arrived)
            return;
    }
    mJob.documentName = control.documentName;
    for (size_t i = 0; i < control.files.size(); ++i) {
        for (const DataFile& file : mData) {
            if (file.name != control.files[i])
                continue;
            mJob.direct = control.direct[i];
            // The runner removes what it ran; a file printed twice is staged again.
            const UString stamp = PJobRunner::freshStamp();
            const bool last = [&] {
                for (size_t k = i + 1; k < control.files.size(); ++k) {
                    if (control.files[k] == file.name)
                        return false;
                }
                return true;
            }();
            if (last) {
                PJobRunner::run(mJob, mQueueOptions, file.stamp, file.bytes);
            } else {
                UFile from(PJobStaging::jobFileName(file.stamp).str(), "rb");
                UFile to(PJobStaging::jobFileName(stamp).str(), "wb");
                char buffer[16384];
                size_t n = 0;
                while (from.isOpen() && to.isOpen() && (n = std::fread(buffer, 1, sizeof buffer, from.get())) > 0)
                    std::fwrite(buffer, 1, n, to.get());
                to.close();
                PJobRunner::run(mJob, mQueueOptions, stamp, file.bytes);
            }
            break;
        }
    }
    // Data files no print line names are dropped with the job, without a line of their own.
    for (const DataFile& file : mData)
        PJobRunner::discard(file.stamp);
    mData.clear();
    mHasControl = false;
    mControlText.clear();
    mJob.direct = false;
}

void PLpdReceiver::dropJob(const char* outcome)
{
    if (outcome != nullptr)
        PJobRunner::log(mJob, jobBytes(), outcome, true);
    for (const DataFile& file : mData)
        PJobRunner::discard(file.stamp);
    mData.clear();
    mHasControl = false;
    mControlText.clear();
}

PLpdReceiver::Control PLpdReceiver::parseControl(const std::string& text)
{
    Control control;
    UString jobName;
    UString sourceName;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.empty())
            continue;
        const std::string value = PJobRunner::plainText(line.substr(1), kMostValue);
        const char code = line[0];
        switch (code) {
        case 'H': control.host = UString(value.c_str()); break;
        case 'P': control.user = UString(value.c_str()); break;
        case 'J':
            if (jobName.isEmpty())
                jobName = UString(value.c_str());
            break;
        case 'N':
            if (sourceName.isEmpty())
                sourceName = UString(value.c_str());
            break;
        default:
            // The print lines: l and o print the file as it is, the others (f, p and the
            // old formatter formats) have it laid out as text.
            if (std::string("cdfglnoprtv").find(code) != std::string::npos && control.files.size() < kMostPrints) {
                control.files.push_back(line.substr(1));
                control.direct.push_back(code == 'l' || code == 'o');
            }
            break;
        }
    }
    control.documentName = jobName.isEmpty() ? sourceName : jobName;
    return control;
}
