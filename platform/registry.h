#pragma once
// Reading string values of the Windows registry. The sibling programs record
// where they are installed there.
//
// Elsewhere the registry is a text file in regedit's export format, named by the
// environment variable ORVISTA_REGISTRY, else "registry.reg" in the program's
// settings folder:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\Software\Vellmark, Inc.\Casebinder]
//   "InstallDir"="C:\\Program Files\\Casebinder"
//
// Key paths and value names match without regard to case, as on Windows. A
// missing file, key or value reads as missing. The file may be UTF-8 or, as
// regedit writes it, UTF-16 with a byte-order mark.
#include <string>

enum class registryRoot { localMachine, currentUser };

// False when the key or the value does not exist (or is not a string).
bool readRegistryString(registryRoot root, const std::string& keyPath, const std::string& valueName,
                        std::string& value);
