#include "core/FrameSink.h"

FrameSink::~FrameSink() = default;

bool FrameSink::ShowStarted(Engine& /*engine*/) { return true; }

bool FrameSink::FrameComposed(Engine& /*engine*/) { return true; }

FramePlan FrameSink::BeginFrame(Engine& /*engine*/) { return FramePlan::ComposeAndStep; }

void FrameSink::PictureComposed(Engine& /*engine*/) {}

bool FrameSink::ShowEnded(Engine& /*engine*/) { return false; }

bool FrameSink::TakesKeys() const { return true; }

bool FrameSink::KeyPressed(Engine& /*engine*/, int /*key*/, int /*modifiers*/) { return false; }

void FrameSink::LoopEnded(Engine& /*engine*/) {}
