#pragma once

class Form1;

// Starts decoding, off the window's thread, the pictures a step through the
// image list List2 can show next from the position in Label14: the next and
// the previous entry (the list wraps) and the first and the last one, at the
// size the thumbnail shows them at. Nothing happens while thumbnails are
// switched off or no position is set. Only the decoding is done ahead; what a
// step shows, and every message, stays as the thumbnail display decides.
void prefetchImageNeighbours(Form1& form);
