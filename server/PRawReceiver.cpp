#include "server/PRawReceiver.h"

#include "common/UFile.h"
#include "server/PClientPolicy.h"
#include "server/PJobRunner.h"
#include "server/PJobStaging.h"
#include "server/PPeerReader.h"
#include "server/PQueueFile.h"

#include <string>

PRawReceiver::PRawReceiver(const USockTcp& connection, const UString& peer, const UString& queue)
    : mConnection(connection), mPeer(peer), mQueue(queue)
{
}

void PRawReceiver::run()
{
    PJobRunner::Job job;
    job.frontEnd = "raw";
    job.peer = mPeer;
    job.queue = mQueue;
    PQueueFile queues;
    queues.load(PClientPolicy::queueFile().str());
    std::string options;
    if (!queues.find(mQueue.str(), options)) {
        PJobRunner::log(job, 0, "refused: no such queue", true);
        mConnection.close();
        return;
    }
    const UString stamp = PJobRunner::freshStamp();
    UFile out(PJobStaging::jobFileName(stamp).str(), "wb");
    if (!out.isOpen()) {
        PJobRunner::log(job, 0, "not printed: could not create the job file", true);
        mConnection.close();
        return;
    }
    PPeerReader reader(mConnection, PClientPolicy::clientTimeout());
    long long got = 0;
    const PPeerReader::Result r = reader.readToEnd(PClientPolicy::maxJobBytes(), out.get(), got);
    const bool closed = out.close();
    mConnection.close();
    const char* failure = nullptr;
    if (r == PPeerReader::TooLarge)
        failure = "refused: larger than -maxjob";
    else if (r == PPeerReader::NotWritten || (r == PPeerReader::Ok && !closed))
        failure = "not printed: could not write the job file";
    else if (r != PPeerReader::Ok)
        failure = "not printed: the peer stopped sending";
    else if (got == 0)
        failure = "not printed: no data";
    if (failure != nullptr) {
        PJobRunner::log(job, got, failure, r != PPeerReader::Ok || got != 0);
        PJobRunner::discard(stamp);
        return;
    }
    PJobRunner::run(job, options, stamp, got);
}
