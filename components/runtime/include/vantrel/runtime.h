#pragma once
// The in-process component layer: variants, the automation interface, registration and
// creation by programmatic identifier.
#include "vantrel/runtime/automation.h"
#include "vantrel/runtime/fault.h"
#include "vantrel/runtime/server.h"
#include "vantrel/runtime/status.h"
#include "vantrel/runtime/variant.h"
