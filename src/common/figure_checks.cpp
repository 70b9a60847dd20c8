#include "common/figure_checks.h"

#include <cmath>
#include <limits>

#include "common/errors.h"

double Checked(long double value) {
  if (std::isnan(value)) throw EMathError(kFloatInvalid);
  if (std::isinf(value) || std::fabs(value) > std::numeric_limits<double>::max())
    throw EMathError(kFloatOverflow);
  return static_cast<double>(value);
}
