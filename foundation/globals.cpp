#include "foundation/globals.h"

namespace Zep {
bool loggingEnabled = true;
uint debugLevel = 1;
QString argumentLine;
} // namespace Zep
