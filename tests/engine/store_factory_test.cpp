#include "engine/store_factory.h"

#include <gtest/gtest.h>

#include "engine/local_store.h"

namespace {

class MarkedStore : public engine::LocalStore {
 public:
  explicit MarkedStore(const engine::StoreContext& context) : LocalStore(context) {}
  bool IsArchive() const override { return true; }
};

engine::StoreMaker marked() {
  return [](const engine::StoreContext& context) { return std::make_unique<MarkedStore>(context); };
}

}  // namespace

TEST(StoreFactory, SchemeThenExtensionThenClaimThenLocal) {
  engine::StoreFactory::ClearRegistrations();
  engine::StoreFactory::RegisterScheme("FTP", marked());
  engine::StoreFactory::RegisterExtension("zip", marked());
  engine::StoreFactory::RegisterClaim("rar", [](const std::string&) { return marked(); });
  // Registered again (a new configuration read): the new claim replaces the old one.
  engine::StoreFactory::RegisterClaim("rar", [](const std::string& fileName) {
    return fileName.ends_with(".tar.rar") ? marked() : engine::StoreMaker();
  });
  const engine::StoreContext context;
  EXPECT_TRUE(engine::StoreFactory::Create("ftp:server/x", context)->IsArchive());
  EXPECT_TRUE(engine::StoreFactory::Create("/home/a/Backup.ZIP", context)->IsArchive());
  EXPECT_TRUE(engine::StoreFactory::Create("/home/a/b.TAR.rar", context)->IsArchive()) << "a claim sees the whole name";
  EXPECT_FALSE(engine::StoreFactory::Create("/home/a/b.rar", context)->IsArchive());
  EXPECT_FALSE(engine::StoreFactory::Create("/home/a/b.7z", context)->IsArchive());
  EXPECT_FALSE(engine::StoreFactory::Create("/home/ftp:x/y", context)->IsArchive()) << "a colon inside a path is no scheme";
  EXPECT_FALSE(engine::StoreFactory::Create("ab:x", context)->IsArchive());
  EXPECT_EQ(engine::StoreFactory::SchemeOf("ftp:srv"), "ftp");
  engine::StoreFactory::ClearRegistrations();
}
