// The whole public interface of the Calvoro library.
#pragma once

#include <calvoro/errors.h>
#include <calvoro/guid.h>
#include <calvoro/plan_document.h>
#include <calvoro/power_class.h>
#include <calvoro/power_plans.h>
#include <calvoro/power_settings.h>
#include <calvoro/watcher.h>
