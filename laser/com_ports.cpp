#include "laser/com_ports.h"

#include <cstdlib>
#include <sys/stat.h>

namespace comports {

std::string portDirectory()
{
    if (const char* dir = std::getenv("VXM_COM_DIR"); dir && *dir) return dir;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/share/ostrel-vxm/com";
}

std::string linkPath(int portNumber) { return portDirectory() + "/COM" + std::to_string(portNumber); }

std::string devicePath(int portNumber)
{
    const std::string link = linkPath(portNumber);
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) return link;
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

}  // namespace comports
