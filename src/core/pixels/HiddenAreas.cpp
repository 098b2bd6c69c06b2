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

HiddenAreas::HiddenAreas(const std::vector<HiddenCut> &cuts)
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
}

bool HiddenAreas::hides(int x, int y) const
{
    for (const Group &group : m_groups)
        if (group.bounds.contains(x, y))
            for (const QRect &cut : group.cuts)
                if (cut.contains(x, y))
                    return true;
    return false;
}

const HiddenAreas::Group *HiddenAreas::groupOf(const QRect &cut) const
{
    for (const Group &group : m_groups)
        if (std::find(group.cuts.begin(), group.cuts.end(), cut) != group.cuts.end())
            return &group;
    return nullptr;
}

double HiddenAreas::sigmaOf(const QRect &cut) const
{
    const Group *group = groupOf(cut);
    return group ? group->sigma : blurSigmaFloor;
}

QRect HiddenAreas::fillReadArea(const Group &group, const QSize &imageSize)
{
    // A lone box reads the lines along its sides; a region, the pixels
    // beside it and along its edges as far as they are smoothed.
    const int reach = group.cuts.size() == 1 ? 1 : 1 + std::max(1, int(std::lround(group.sigma)));
    return group.bounds.adjusted(-reach, -reach, reach, reach) & QRect(QPoint(0, 0), imageSize);
}

QRect HiddenAreas::readArea(const QRect &cut, const QSize &imageSize) const
{
    const int reach = blurReach(sigmaOf(cut));
    const QRect image(QPoint(0, 0), imageSize);
    const QRect blurred = cut.adjusted(-reach, -reach, reach, reach) & image;
    QRect area = blurred;
    for (const Group &group : m_groups)
        if (group.bounds.intersects(blurred))
            area |= fillReadArea(group, imageSize);
    return area;
}

std::vector<std::unique_ptr<HiddenFill>> HiddenAreas::fillsWithin(const QImage &image, const QRect &area) const
{
    std::vector<std::unique_ptr<HiddenFill>> fills;
    for (const Group &group : m_groups) {
        if (!group.bounds.intersects(area))
            continue;
        if (group.cuts.size() == 1)
            fills.push_back(std::make_unique<BorderFill>(image, group.cuts.front(), group.sigma));
        else
            fills.push_back(std::make_unique<RegionFill>(image, group.cuts, group.sigma,
                                                         [this](int x, int y) { return hides(x, y); }));
    }
    return fills;
}

HiddenAreas HiddenAreas::translated(const QPoint &offset) const
{
    HiddenAreas moved = *this;
    for (Group &group : moved.m_groups) {
        group.bounds.translate(offset);
        for (QRect &cut : group.cuts)
            cut.translate(offset);
    }
    return moved;
}

} // namespace pintora
