// Password hashes as the store keeps them in a Person document's HTTPPassword item: salted
// PBKDF2-HMAC-SHA256, so that a stolen directory does not give the passwords away.
#pragma once

#include <string>

namespace store {

// A new hash of password with a random salt: "(PBKDF2-SHA256:<iterations>:<salt>:<hash>)",
// salt and hash in base64.
std::u16string HashPassword(const std::u16string& password, int iterations = 20000);
// True when password matches a hash made by HashPassword. Malformed hashes match nothing.
bool VerifyPassword(const std::u16string& password, const std::u16string& hash);

} // namespace store
