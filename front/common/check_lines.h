// The checks' results as an operator reads them, one line each: a mark, what was checked, what was
// found, and what to do when something is wrong. The console prints them; both windows list them.
#pragma once

#include <span>
#include <string>

#include "link/diagnosis/check_result.h"
#include "texts/catalogue.h"

namespace quillon {

// "✓", "✗", or "–" when there was nothing to check.
const char* CheckMark(CheckVerdict verdict);
// "✗ brltty claims CH340 adapters (/usr/lib/udev/rules.d/85-brltty.rules): the port vanishes after it
// appears. Fix: sudo systemctl mask brltty-udev.service, or remove the package brltty."
std::string CheckLine(const CheckResult& result);
// Every line, each ended by a line end.
std::string CheckLines(std::span<const CheckResult> results);

// The windows' menu entry that lists these lines, and the title of the box that lists them.
inline constexpr const char* kCheckStationMenuText = N_("Check this station…");
inline constexpr const char* kCheckStationTitle = N_("Check this station");
inline constexpr const char* kCheckingText = N_("Checking…");

// What a machine reads of the verdict: "pass", "fail", "none".
const char* VerdictName(CheckVerdict verdict);

}  // namespace quillon
