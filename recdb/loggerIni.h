#pragma once
// "logger.ini": the logger's own description of where each line's recordings lie.
//
//   [storage paths]        storage name = storage root folder
//   [line01], [line02] ... StoragePath = a storage name, ChannelName = channel name
//
// A line's folder is its storage root joined with its channel name. Names are
// matched exactly, with case; values have environment references expanded.
#include <map>
#include <string>

// True when the INI file exists as a file (not a folder). An empty path means
// "logger.ini" in the Windows folder.
bool loggerIniExists(const std::string& iniPath);

// Adds one entry per usable line: channel name -> recording folder. Lines end at
// the first missing line number; a line without StoragePath or ChannelName, with
// an unknown storage name, an empty storage root, an empty channel name or a
// folder that does not exist is left out; a later line with the same channel name replaces an earlier one.
// A missing or unreadable file adds nothing.
void readLoggerIni(const std::string& iniPath, std::map<std::string, std::string>& channelDirectories);
