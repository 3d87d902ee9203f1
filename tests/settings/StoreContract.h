#pragma once

#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// One store on a private place for the life of a test. Every store the
// programs use passes the same contract (StoreContractTest.cpp); each
// system instantiates it with the stores it has.
class StoreUnderTest {
public:
    virtual ~StoreUnderTest() = default;
    virtual std::shared_ptr<settings::ISettingsStore> Store() = 0;
    // Takes writing away from the store; false where that cannot be done here.
    virtual bool MakeUnwritable() = 0;
};

using StoreMaker = std::function<std::unique_ptr<StoreUnderTest>()>;

// Names an instantiation's one case after its store.
inline auto StoreName(const char* name)
{
    return [name](const ::testing::TestParamInfo<StoreMaker>&) { return std::string(name); };
}

class StoreContract : public ::testing::TestWithParam<StoreMaker> {
protected:
    void SetUp() override { m_place = GetParam()(); }

    settings::ISettingsStore& Store() { return *m_place->Store(); }

    std::unique_ptr<StoreUnderTest> m_place;
};
