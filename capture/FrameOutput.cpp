#include "capture/FrameOutput.h"

FrameOutput::~FrameOutput() = default;
