#ifndef WAITFOR_H
#define WAITFOR_H

#include <functional>

// Runs the event loop until done() holds or ms milliseconds have passed;
// returns done().
bool waitFor(const std::function<bool()> &done, int ms = 20000);

#endif
