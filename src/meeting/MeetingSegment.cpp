#include "meeting/MeetingSegment.h"

// The records are plain values; this file gives their meta-object (for the views) a home.
