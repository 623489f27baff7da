#version 330 core

// The depth pre-pass writes depth alone: no colour, no discard, so the
// rasteriser tests depth before running anything.
void main() {}
