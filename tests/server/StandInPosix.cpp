#include "tests/server/StandIn.h"

#include "tests/common/TestSupport.h"

namespace standin {

void install(const std::filesystem::path& dir, const std::string& name)
{
    const std::filesystem::path p = dir / name;
    testsupport::writeFile(p, "#!/bin/sh\n[ -f standin-sleep.txt ] && sleep 1\n"
                              "{ echo \"program=" + name + "\"; for a in \"$@\"; do echo \"arg=$a\"; done; } "
                              "> standin-args.txt\n" R"(while [ $# -gt 0 ]; do
  case "$1" in
    -cmdfile) cmd=$2; shift 2 ;;
    -logfile) log=$2; shift 2 ;;
    -open) doc=$2; shift 2 ;;
    *) shift ;;
  esac
done
text=$(cat "$cmd" 2>/dev/null)
has() { case " $text " in *" $1 "*) return 0 ;; esac; return 1; }
has slow && sleep 1
[ -n "$doc" ] && cp "$doc" printed.txt
[ -n "$log" ] && ! has nolog && printf 'Info: job of %s\r\n' "$text" > "$log"
resp=$(printf '%s' "$text" | sed -n 's/.*-response \([^ ]*\).*/\1/p')
[ -n "$resp" ] && ! has noresponse && printf 'response of the job' > "$resp"
has -reslist && ! has noreslist && printf '300x300\n600x600\n' > reslist.txt
: > standin-done.txt
)");
    std::filesystem::permissions(p, std::filesystem::perms::owner_all);
}


std::string failingWritePath() { return "/dev/full"; }

int openHandles()
{
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<int>(std::distance(begin(fds), end(fds)));
}

} // namespace standin
