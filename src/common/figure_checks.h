#pragma once
// The check every figure passes before it is shown or stored: floating point does
// not trap here, so an invalid or overflowed result is raised as the error the
// program shows.

// Raises EMathError for an overflowed or invalid result.
double Checked(long double value);
