#pragma once
// The register view's grids: nine columns, rows of one height.

constexpr int RegGridColumns = 9;
constexpr int RegGridRowHeight = 18;
