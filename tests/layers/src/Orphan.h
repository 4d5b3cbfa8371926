#pragma once
// A header no target lists.
