// The registry contract (the same cases the Win32 store passes under Wine) against the
// memory store.
#include "support/RegistryContract.h"

namespace tw::test {
INSTANTIATE_TEST_SUITE_P(Memory, RegistryContract, ::testing::Values(MemoryRegistryTarget()),
                         RegistryTargetName);
}  // namespace tw::test
