// The byte budget of the recorder queue (see queue_budget.h).
#include "frame/queue_budget.h"

void QueueBudget::Reset(size_t newBound) {
    bound = newBound;
    queued = 0;
    peak = 0;
    dropped = 0;
}

bool QueueBudget::Reserve(size_t bytes) {
    if (bytes > bound || queued > bound - bytes) {
        ++dropped;
        return false;
    }
    queued += bytes;
    if (queued > peak) peak = queued;
    return true;
}

void QueueBudget::Release(size_t bytes) { queued = bytes < queued ? queued - bytes : 0; }
