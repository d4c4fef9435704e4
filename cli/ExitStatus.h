// The exit statuses of marlin-load.
#pragma once

constexpr int kExitLoaded = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
// 128 + SIGINT, as shells report a program ended by Ctrl+C.
constexpr int kExitStopped = 130;
