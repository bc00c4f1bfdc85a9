// Character references of the suite's XML files: the codec now lives in the
// public header, where the other libraries' readers and writers find it.
#pragma once

#include "core/settings/xmlsettings.h"
