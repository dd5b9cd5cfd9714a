#include "core/shared_state.h"

SharedState Module1;

void resetSharedState() { Module1 = SharedState{}; }
