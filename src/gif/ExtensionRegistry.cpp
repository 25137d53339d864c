// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/ExtensionRegistry.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace fl {

namespace {

struct TExtensionEntry {
    uint8_t Label;
    const TGIFExtensionClass* Class;
};
struct TApplicationEntry {
    TGIFApplicationId Id;
    const TGIFExtensionClass* Class;
};

struct TRegistries {
    std::mutex Lock;
    std::vector<TExtensionEntry> Extensions{
        {bsPlainTextExtension, &TGIFTextExtension::ClassInfo},
        {bsGraphicControlExtension, &TGIFGraphicControlExtension::ClassInfo},
        {bsCommentExtension, &TGIFCommentExtension::ClassInfo},
        {bsApplicationExtension, &TGIFApplicationExtension::ClassInfo},
    };
    std::vector<TApplicationEntry> Applications{
        {MakeApplicationId("NETSCAPE2.0"), &TGIFAppExtNSLoop::ClassInfo},
        {MakeApplicationId("ANIMEXTS1.0"), &TGIFAppExtNSLoop::ClassInfo},
    };
};

TRegistries& Registries()
{
    static TRegistries registries;
    return registries;
}

} // namespace

void RegisterExtension(uint8_t label, const TGIFExtensionClass& extensionClass)
{
    TRegistries& r = Registries();
    std::lock_guard lock(r.Lock);
    r.Extensions.push_back({label, &extensionClass});
}

void UnregisterExtension(const TGIFExtensionClass& extensionClass)
{
    TRegistries& r = Registries();
    std::lock_guard lock(r.Lock);
    std::erase_if(r.Extensions, [&](const TExtensionEntry& e) { return e.Class == &extensionClass; });
}

const TGIFExtensionClass* FindExtensionClass(uint8_t label)
{
    TRegistries& r = Registries();
    std::lock_guard lock(r.Lock);
    for (auto it = r.Extensions.rbegin(); it != r.Extensions.rend(); ++it)
        if (it->Label == label)
            return it->Class;
    return nullptr;
}

void RegisterApplication(const TGIFApplicationId& id, const TGIFExtensionClass& extensionClass)
{
    TRegistries& r = Registries();
    std::lock_guard lock(r.Lock);
    r.Applications.push_back({id, &extensionClass});
}

void UnregisterApplication(const TGIFExtensionClass& extensionClass)
{
    TRegistries& r = Registries();
    std::lock_guard lock(r.Lock);
    std::erase_if(r.Applications, [&](const TApplicationEntry& e) { return e.Class == &extensionClass; });
}

const TGIFExtensionClass* FindApplicationClass(const TGIFApplicationId& id)
{
    TRegistries& r = Registries();
    std::lock_guard lock(r.Lock);
    for (auto it = r.Applications.rbegin(); it != r.Applications.rend(); ++it)
        if (it->Id == id)
            return it->Class;
    return nullptr;
}

const TGIFExtensionClass* ResolveExtensionClass(TStream& stream)
{
    const int64_t start = stream.Position();
    uint8_t label;
    const TGIFExtensionClass* found = nullptr;
    if (stream.ReadByte(label)) {
        found = FindExtensionClass(label);
        // A class may hand over to a more specific one; the chain ends when a
        // class answers itself (or nobody).
        while (found) {
            const TGIFExtensionClass* next = found->ResolveClass(stream);
            if (next == found)
                break;
            found = next;
        }
    }
    stream.SetPosition(start);
    return found;
}

} // namespace fl
