#include "GameRecorder.h"

GameRecorder* GameRecorder::current = nullptr;
