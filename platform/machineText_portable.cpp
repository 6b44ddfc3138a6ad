#include "platform/machineText.h"

std::string narrowFromMachineText(const std::string& bytes)
{
    return bytes;
}

bool machineTextFromNarrow(const std::string& text, std::string& bytes)
{
    bytes = text;
    return true;
}

void useMachineCodePage(unsigned) {}
