#pragma once

#include "common/UString.h"

#include <deque>

// The files of finished jobs: a server that runs for months must not fill its disk with
// them, yet the last few are worth keeping for whoever looks into a failed job. The files
// of the last `keep` jobs that left any stay; as each further job finishes, the files of
// the oldest go. Files of earlier runs are start-up's business.
class PJobHistory {
public:
    // Start-up sets the number once; until then it is 100.
    static void setKeep(int keep);
    // The job of stamp has finished: it joins the history when it left files, and the
    // files of jobs beyond the number kept are removed. A file that cannot be removed yet
    // (a -view job's print program may still hold it) is tried again after the next job.
    static void finished(const UString& stamp);
    // Back to an empty history keeping 100; for tests.
    static void reset();

private:
    static bool leftFiles(const UString& stamp);
    // False when a file of stamp is still there afterwards.
    static bool removeFiles(const UString& stamp);

    static std::deque<UString>& stamps();
    static int& keep();
};
