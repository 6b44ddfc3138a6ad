#include "platform/userReport.h"

#include <cstdio>

void reportToUser(const wxString& message)
{
    std::fprintf(stderr, "orvista: %s\n", static_cast<const char*>(message.utf8_str()));
}
