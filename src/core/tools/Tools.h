#pragma once

#include "core/tools/Tool.h"

#include <span>

namespace pintora {

// Every tool, in the order the toolbar shows them; the box first, the blur
// last.
std::span<const Tool *const> allTools();

// The tool of `id`; null when there is none.
const Tool *toolById(const QString &id);

const Tool &boxTool();
const Tool &arrowTool();
const Tool &lineTool();
const Tool &ellipseTool();
const Tool &penTool();
const Tool &highlighterTool();
const Tool &stepTool();
const Tool &textTool();
const Tool &blurTool();

} // namespace pintora
