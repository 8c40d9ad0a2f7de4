#pragma once

#include <cstdint>
#include <string>

bool IsProductPresent(const std::u16string& productCode);
std::u16string GetProductVersion(const std::u16string& productCode);
std::u16string GetProductPackage(const std::u16string& productCode);

// Sets name and language; sets localeId only when the product could be opened,
// which is also the result.
bool GetProductNameLanguageLocale(const std::u16string& productCode, std::u16string& name,
                                  std::u16string& language, std::u16string& localeId);

// The install context whose instance of the product the installer acts on for the
// current user; the machine when none can be found.
std::uint32_t GetProductContext(const std::u16string& productCode);

// Reports to the run's record each instance of the product installed for another
// user, where this account may look at other users' products (LocalSystem may).
void RecordOtherUsersCopies(const std::u16string& productCode);

// GetProductContext keeps what it learns of the installed instances for the rest of
// the run; this forgets it, so that a new run asks the installer again.
void ForgetInstalledInstances();
