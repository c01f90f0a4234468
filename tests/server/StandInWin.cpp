#include "tests/server/StandIn.h"

namespace standin {

void install(const std::filesystem::path& dir, const std::string& name)
{
    std::filesystem::copy_file(DRAXOME_STANDIN_PROGRAM, dir / name,
                               std::filesystem::copy_options::overwrite_existing);
}

bool reportsArgv0() { return true; }

std::string failingWritePath() { return std::string(); }

} // namespace standin
