#include "core/FrameSink.h"

FrameSink::~FrameSink() = default;

bool FrameSink::ShowStarted(Engine& /*engine*/) { return true; }

bool FrameSink::FrameComposed(Engine& /*engine*/) { return true; }

bool FrameSink::TakesKeys() const { return true; }

void FrameSink::LoopEnded(Engine& /*engine*/) {}
