#pragma once

// One target face: ring sizes that a shot's value is computed from. The
// program knows exactly the rows of a fixed table; an exercise picks its row
// by the parameter "TargetNum". Rows are constant and live for the whole run,
// so pointers to them are never owned by whoever holds them.
struct TTargetType
{
    int ID = 0;
    int fieldSize = 0;            // mm
    float lineWidth = 0.0f;       // mm
    float blackDiameter = 0.0f;   // mm
    float innerTenDiameter = 0.0f;// mm
    float tenDiameter = 0.0f;     // mm
    float ringStep = 0.0f;        // mm by which each ring's diameter exceeds the next inner one
    int ringCount = 0;            // printed rings; scoring always uses ten
    // The remaining columns describe the printed face and are carried
    // unchanged; scoring reads none of them.
    int faceExtra = 0;
    double slope1 = 0.0;
    double intercept1 = 0.0;
    double slope2 = 0.0;
    double intercept2 = 0.0;
};

// The row whose ID is `id`, or nullptr when the table has none (there are no
// rows 1 and 2).
const TTargetType *targetTypeById(int id);
