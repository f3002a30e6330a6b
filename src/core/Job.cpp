#include "core/Job.h"
