#pragma once

// The entry routine: runs the modes the command line chose. Always returns 0.
int RunServicePack(void* module);

// The product-list mode: shows the patch's target product codes.
void ShowProductList();
