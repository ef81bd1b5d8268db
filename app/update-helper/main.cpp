// dilato-update-helper: installs a verified Dilato update as root. Started by the program
// through pkexec (the polkit action com.norvane.Dilato.update names it), by its absolute
// path, with the work folder of the operator's program as its only argument:
//     pkexec /usr/lib/dilato/dilato-update-helper /var/lib/dilato/LiveUpdate/
// It trusts nothing in that folder (any operator of the group can change it) and runs nothing
// from it; see update/HandOver.h. Exit status 0 when the update was installed.

#include "update/HandOver.h"
#include "update/ReleaseManifest.h"
#include "update/UpdateResult.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    using namespace dilato;
    // Nothing of the caller's environment reaches what root runs; files are made for root.
    ::clearenv();
    ::umask(022);
    if (::geteuid() != 0) {
        std::fputs("dilato-update-helper: must run as root (through pkexec)\n", stderr);
        return 2;
    }
    if (argc != 2 || argv[1][0] != '/') {
        std::fputs("usage: dilato-update-helper /ABSOLUTE/WORK/FOLDER/\n", stderr);
        return 2;
    }
    AptPackageSystem packages;
    HandOverConfig config;
    config.key = BuiltInReleaseKey();
    config.resultFolder = kUpdateResultFolder;
    config.log = kUpdateLog;
    const HandOverOutcome outcome = RunHandOver(argv[1], packages, config);
    std::printf("%s\n", outcome.message.c_str());
    return outcome.installed ? 0 : 1;
}
