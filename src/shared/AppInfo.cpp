#include "shared/AppInfo.h"
