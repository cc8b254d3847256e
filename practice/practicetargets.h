#pragma once

class TMembersPractice;

namespace PracticeTargets {

// The highest target address among the shooters taking part in the
// practice; 0 when nobody takes part. The next shooter is offered one above.
int highestUsed(const TMembersPractice *roster);

} // namespace PracticeTargets
