#pragma once
// The busy waits of the board and instrument protocols. They process no window
// messages; they sleep on the clock instead of spinning.

class Clock;

// Waits until more than `days` (a day fraction: 0.1 s = 1.1574074074074074e-6) have passed.
void Delay(Clock& clock, double days);
// Waits until at least `ms` milliseconds have passed.
void DelayMs(Clock& clock, int ms);
