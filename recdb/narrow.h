#pragma once
// Moved: narrow strings are a platform matter.
#include "platform/narrow.h"
