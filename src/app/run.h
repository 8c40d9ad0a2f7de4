#pragma once

// The entry routine: runs the modes the command line chose. Returns 0, or with
// /exitcode the outcome of the run.
int RunServicePack(void* module);

// The product-list mode: shows the patch's target product codes.
void ShowProductList();
