#include "core/globals.h"

namespace Zep {
bool loggingEnabled = true;
uint debugLevel = 1;
QString argumentLine;
ZEPSettings *settings = nullptr;
NetworkManager *networkManager = nullptr;
Base *base = nullptr;
} // namespace Zep
