#include "app/module1.h"

SharedState Module1;

void resetSharedState() { Module1 = SharedState{}; }
