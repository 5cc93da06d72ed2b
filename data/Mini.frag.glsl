#version 150 core
// Depth pre-pass: no colour buffer is selected, so only depth is written.

void main()
{
}
