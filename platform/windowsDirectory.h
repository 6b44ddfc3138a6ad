#pragma once
// The folder where the logger keeps "logger.ini" by default: the Windows folder on
// Windows; elsewhere the folder named by the WINDIR environment variable, else /etc.
#include <string>

std::string windowsDirectory();
