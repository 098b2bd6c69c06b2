#include "core/tools/Tools.h"

#include <array>

namespace pintora {

std::span<const Tool *const> allTools()
{
    // The one list of tools: the toolbar, the keys, the tooltips and the
    // tests read it.
    static const std::array<const Tool *, 9> tools = {
        &boxTool(),         &arrowTool(), &lineTool(), &ellipseTool(), &penTool(),
        &highlighterTool(), &stepTool(),  &textTool(), &blurTool(),
    };
    return tools;
}

const Tool *toolById(const QString &id)
{
    for (const Tool *tool : allTools())
        if (tool->id() == id)
            return tool;
    return nullptr;
}

} // namespace pintora
