// The engine's random numbers (request numbers, upload names), seeded from the clock.
#pragma once

// A number in 0 .. limit-1 (0 when limit <= 0); safe to call from several threads.
int RandomNumber(int limit);
