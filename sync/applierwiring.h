#pragma once

class DBSync;
class TulDbManager;

namespace ApplierWiring {
// Connects the sync protocol and the sync applier both ways: change lists, confirmations and
// the server state to the applier; its confirmations, people and fetches to the protocol.
void connect(TulDbManager *protocol, DBSync *applier);
} // namespace ApplierWiring
