// ComPtr must take and give back exactly one reference per owner: no leak, no double release.
#include <utility>

#include <gtest/gtest.h>

#include "win32/com_ptr.h"

namespace {

// Counts references without freeing itself, and records a Release of a reference nobody held.
struct CountingObject : IUnknown {
  ULONG count = 1;  // the creator's reference
  int overReleases = 0;

  HRESULT QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++count; }
  ULONG Release() override {
    if (count == 0) {
      ++overReleases;
      return 0;
    }
    return --count;
  }
};

struct DerivedObject : CountingObject {};

class ComPtrTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(a.overReleases, 0);
    EXPECT_EQ(b.overReleases, 0);
  }
  CountingObject a;
  CountingObject b;
};

TEST_F(ComPtrTest, ConstructionFromARawPointerTakesAReferenceAndDestructionGivesItBack) {
  {
    ComPtr<CountingObject> p(&a);
    EXPECT_EQ(a.count, 2u);
    EXPECT_EQ(p.Get(), &a);
    EXPECT_TRUE(p);
  }
  EXPECT_EQ(a.count, 1u);
}

TEST_F(ComPtrTest, AttachTakesOverTheCallersReferenceAndDetachHandsItBack) {
  CountingObject* raw = nullptr;
  {
    ComPtr<CountingObject> p;
    p.Attach(&a);
    EXPECT_EQ(a.count, 1u);
    raw = p.Detach();
    EXPECT_FALSE(p);
  }
  EXPECT_EQ(raw, &a);
  EXPECT_EQ(a.count, 1u);
}

TEST_F(ComPtrTest, AttachReleasesWhatWasHeldEvenWhenItIsTheSameObject) {
  ComPtr<CountingObject> p(&a);  // 2
  p.Attach(&b);
  EXPECT_EQ(a.count, 1u);
  EXPECT_EQ(b.count, 1u);
  b.AddRef();  // a second reference to b, handed over
  p.Attach(&b);
  EXPECT_EQ(b.count, 1u);
  p.Detach();
}

TEST_F(ComPtrTest, CopiesShareTheObjectWithAReferenceEachAndMovesTransferIt) {
  ComPtr<CountingObject> first(&a);
  ComPtr<CountingObject> copy(first);
  EXPECT_EQ(a.count, 3u);
  ComPtr<CountingObject> moved(std::move(copy));
  EXPECT_EQ(a.count, 3u);
  EXPECT_FALSE(copy);
  EXPECT_TRUE(moved == first);
  moved = std::move(first);
  EXPECT_EQ(a.count, 2u);
  moved.Reset();
  EXPECT_EQ(a.count, 1u);
  moved.Reset();  // empty: nothing more to give back
  EXPECT_EQ(a.count, 1u);
}

TEST_F(ComPtrTest, AssignmentReleasesTheOldObjectAndSelfAssignmentKeepsTheCount) {
  ComPtr<CountingObject> p(&a);
  ComPtr<CountingObject> q(&b);
  p = q;
  EXPECT_EQ(a.count, 1u);
  EXPECT_EQ(b.count, 3u);
  ComPtr<CountingObject>& alias = p;
  p = alias;
  EXPECT_EQ(b.count, 3u);
  p = std::move(alias);
  EXPECT_EQ(b.count, 3u);
  EXPECT_EQ(p.Get(), &b);
  p = &a;
  EXPECT_EQ(a.count, 2u);
  EXPECT_EQ(b.count, 2u);
  p = nullptr;
  EXPECT_EQ(a.count, 1u);
}

TEST_F(ComPtrTest, ReleaseAndGetAddressOfGivesBackTheOldReferenceBeforeTheOutParameterIsWritten) {
  ComPtr<CountingObject> p(&a);
  CountingObject** slot = p.ReleaseAndGetAddressOf();
  EXPECT_EQ(a.count, 1u);
  EXPECT_EQ(*slot, nullptr);
  b.AddRef();  // what a Create or Get call hands out
  *slot = &b;
  EXPECT_EQ(p.Get(), &b);
  p.Reset();
  EXPECT_EQ(b.count, 1u);
}

TEST_F(ComPtrTest, CopyToGivesTheCallerItsOwnReference) {
  ComPtr<CountingObject> p(&a);
  CountingObject* out = nullptr;
  EXPECT_EQ(p.CopyTo(&out), S_OK);
  EXPECT_EQ(out, &a);
  EXPECT_EQ(a.count, 3u);
  out->Release();
  EXPECT_EQ(p.CopyTo(nullptr), E_POINTER);
  EXPECT_EQ(a.count, 2u);
  ComPtr<CountingObject> empty;
  out = &b;
  EXPECT_EQ(empty.CopyTo(&out), S_OK);
  EXPECT_EQ(out, nullptr);
}

TEST_F(ComPtrTest, ConvertsToABaseInterfaceWithTheSameReferenceRules) {
  DerivedObject derived;
  {
    ComPtr<DerivedObject> d(&derived);
    ComPtr<IUnknown> copy(d);
    EXPECT_EQ(derived.count, 3u);
    ComPtr<IUnknown> moved(std::move(d));
    EXPECT_EQ(derived.count, 3u);
    EXPECT_FALSE(d);
    EXPECT_TRUE(moved == copy);
  }
  EXPECT_EQ(derived.count, 1u);
  EXPECT_EQ(derived.overReleases, 0);
}

}  // namespace
