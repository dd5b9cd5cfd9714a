#pragma once
// Where a COM port number lives on this machine: the link "COMn" in the port directory when there
// is one, otherwise /dev/ttyS<n-1>. The port directory is $VXM_COM_DIR when set, else
// ~/.local/share/ostrel-vxm/com. Shared by the program's serial service, the device library and
// the simulator (which makes the links).

#include <string>

namespace comports {

std::string portDirectory();
std::string linkPath(int portNumber);    // <port directory>/COMn, whether or not it exists
std::string devicePath(int portNumber);  // the link when it exists, else /dev/ttyS<n-1>

}  // namespace comports
