#include "ttargettype.h"

#include <array>

namespace {

constexpr std::array<TTargetType, 8> kTargetTypes = {{
    {0, 555, 1.0f, 305.0f, 5.0f, 55.0f, 50.0f, 10, 0, 0.0, 0.0, 0.0, 0.0},
    {3, 1050, 1.0f, 600.0f, 50.0f, 100.0f, 100.0f, 10, 540, -0.2, 110.8, -0.185, 110.0},
    {4, 550, 0.5f, 200.0f, 25.0f, 50.0f, 50.0f, 10, 278, -0.4, 111.0, -0.3597, 110.0},
    {5, 550, 1.0f, 500.0f, 50.0f, 100.0f, 80.0f, 6, 528, -0.25, 113.2, -0.189, 110.0},
    {6, 80, 0.2f, 61.7f, 0.0f, 3.4f, 8.3f, 10, 0, 0.0, 0.0, 0.0, 0.0},
    {7, 160, 0.3f, 112.4f, 5.0f, 10.4f, 16.0f, 10, 0, -1.25, 110.0, -1.25, 110.0},
    {8, 50, 0.2f, 30.5f, 0.0f, 0.5f, 5.0f, 10, 0, -4.0, 110.0, -4.0, 110.0},
    {9, 160, 0.2f, 59.5f, 5.0f, 11.5f, 16.0f, 10, 0, -1.25, 110.0, -1.25, 110.0},
}};

} // namespace

const TTargetType *targetTypeById(int id)
{
    for (const TTargetType &row : kTargetTypes) {
        if (row.ID == id)
            return &row;
    }
    return nullptr;
}
