#include "core/Application.h"

int Application::Run() { return 0; }
