#pragma once
// Base of the remote procedure calls: a small object naming a target and its
// arguments. The issuing method builds it, sends it to the other side when the
// rules say so, and executes it here when this side runs it. Without a
// replication role nothing is sent and every call executes here.
class Packet;
class PlimBase;
class RuntimeClass;

class RPC {
public:
    // Flag bits given to the constructor.
    enum { RUNS_ON_SERVER = 1, RUNS_ON_CLIENT = 2, CALLABLE_FROM_CLIENT = 4 };

    explicit RPC(int flags = 0);

    virtual RuntimeClass* getClass();
    // Writes or reads the target and the arguments.
    virtual void netSerialize(Packet* packet) {}
    // Adds the arguments as properties to the container.
    virtual void addPropertiesTo(PlimBase* container) {}
    // Performs the call on the target.
    virtual void call() {}
    // Received calls are deleted through this pointer.
    virtual ~RPC();

    // Sends the call to the other side when executeRemotely says so.
    void invoke();
    // Whether the call goes to the other side; a client issuing a server call
    // that it may not send is fatal ("Can't call '%s' client-side.").
    bool executeRemotely();
    // Runs call() if this side runs the call, with the role's execution flags
    // set to the call's for its duration.
    void executeLocally();

    static RuntimeClass runtimeClass;
    static void* create();

    bool bRunsOnServer;
    bool bRunsOnClient;
    bool bCallableFromClient;
};
