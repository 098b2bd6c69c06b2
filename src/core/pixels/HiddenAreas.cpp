#include "core/pixels/HiddenAreas.h"

#include "core/pixels/BorderFill.h"
#include "core/pixels/GaussianBlur.h"
#include "core/pixels/RegionFill.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace pintora {
namespace {

// Whether two rectangles overlap or share a stretch of edge (a corner alone
// is not enough: no pixel of one is then beside a pixel of the other).
bool touch(const QRect &a, const QRect &b)
{
    return a.adjusted(-1, 0, 1, 0).intersects(b) || a.adjusted(0, -1, 0, 1).intersects(b);
}

} // namespace

HiddenAreas::HiddenAreas(const std::vector<HiddenCut> &cuts, const QSize &imageSize)
    : m_imageSize(imageSize)
{
    // Groups as the connected parts of the touch relation: each cut joins
    // every group it touches, merged into one.
    std::vector<std::size_t> parent(cuts.size());
    std::iota(parent.begin(), parent.end(), std::size_t(0));
    const auto root = [&](std::size_t i) {
        while (parent[i] != i)
            i = parent[i] = parent[parent[i]];
        return i;
    };
    for (std::size_t i = 0; i < cuts.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (touch(cuts[i].cut, cuts[j].cut))
                parent[root(i)] = root(j);
    std::vector<int> groupOfRoot(cuts.size(), -1);
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        if (cuts[i].cut.isEmpty())
            continue;
        int &index = groupOfRoot[root(i)];
        if (index < 0) {
            index = int(m_groups.size());
            m_groups.push_back(Group{{}, {}, 0});
        }
        Group &group = m_groups[std::size_t(index)];
        group.cuts.push_back(cuts[i].cut);
        group.bounds |= cuts[i].cut;
        group.sigma = std::max(group.sigma, cuts[i].sigma);
    }
    m_fills.resize(m_groups.size());
}

const HiddenAreas::Group *HiddenAreas::groupOf(const QRect &cut) const
{
    for (const Group &group : m_groups)
        if (std::find(group.cuts.begin(), group.cuts.end(), cut) != group.cuts.end())
            return &group;
    return nullptr;
}

QRegion HiddenAreas::region() const
{
    QRegion hidden;
    for (const Group &group : m_groups)
        for (const QRect &cut : group.cuts)
            hidden += cut;
    return hidden;
}

QRect HiddenAreas::groupBounds(const QRect &cut) const
{
    const Group *group = groupOf(cut);
    return group ? group->bounds : cut;
}

double HiddenAreas::sigmaOf(const QRect &cut) const
{
    const Group *group = groupOf(cut);
    return group ? group->sigma : blurSigmaFloor;
}

std::vector<QRect> HiddenAreas::cutsNear(const QRect &area, const Group *except) const
{
    std::vector<QRect> near;
    for (const Group &group : m_groups)
        if (&group != except && group.bounds.intersects(area))
            for (const QRect &cut : group.cuts)
                if (cut.intersects(area))
                    near.push_back(cut);
    return near;
}

QRect HiddenAreas::fillReadArea(const Group &group) const
{
    // A lone box reads the lines along its sides; a region, the pixels
    // beside it and along its edges as far as they are smoothed.
    const int reach = group.cuts.size() == 1 ? 1 : 1 + std::max(1, int(std::lround(group.sigma)));
    return group.bounds.adjusted(-reach, -reach, reach, reach) & QRect(QPoint(0, 0), m_imageSize);
}

QRect HiddenAreas::reachOf(const QRect &cut) const
{
    const int reach = blurReach(sigmaOf(cut));
    return cut.adjusted(-reach, -reach, reach, reach) & QRect(QPoint(0, 0), m_imageSize);
}

QRect HiddenAreas::readArea(const QRect &cut) const
{
    const QRect blurred = reachOf(cut);
    QRect area = blurred;
    for (const Group &group : m_groups)
        if (group.bounds.intersects(blurred))
            area |= fillReadArea(group);
    return area;
}

std::vector<const HiddenFill *> HiddenAreas::fillsWithin(const QImage &image, const QPoint &origin,
                                                         const QRect &area) const
{
    std::vector<const HiddenFill *> fills;
    for (std::size_t i = 0; i < m_groups.size(); ++i) {
        const Group &group = m_groups[i];
        if (!group.bounds.intersects(area))
            continue;
        Made &made = m_fills[i];
        if (!made.fill) {
            const QRect reads = fillReadArea(group);
            if (group.cuts.size() == 1)
                made.fill = std::make_shared<BorderFill>(image, origin, group.cuts.front(), group.sigma);
            else
                made.fill
                    = std::make_shared<RegionFill>(image, origin, group.cuts, group.sigma, cutsNear(reads, &group));
            // What it read: the pixels around the group but under no box.
            made.from = QRegion(reads);
            for (const QRect &cut : cutsNear(reads, nullptr))
                made.from -= cut;
        }
        fills.push_back(made.fill.get());
    }
    return fills;
}

bool HiddenAreas::keepsFillsWithin(const QRect &area) const
{
    for (std::size_t i = 0; i < m_groups.size(); ++i)
        if (!m_fills[i].fill && m_groups[i].bounds.intersects(area))
            return false;
    return true;
}

void HiddenAreas::forget(const QRect &changed) const
{
    for (Made &made : m_fills)
        if (made.fill && made.from.intersects(changed))
            made = Made{};
}

} // namespace pintora
