#include "PlimClasses.h"

#include "BasicLink.h"
#include "Camera.h"
#include "Console.h"
#include "Context.h"
#include "ErrorManager.h"
#include "FileManager.h"
#include "FontGDI.h"
#include "Logger.h"
#include "Plim.h"
#include "PlimBase.h"
#include "PlimGraphics.h"
#include "PlimAudio.h"
#include "PlimInput.h"
#include "net/PlimNetwork.h"
#include "Property.h"
#include "PropertyContainer.h"
#include "PropertyDWORD.h"
#include "PropertyDouble.h"
#include "PropertyFloat.h"
#include "PropertyInt.h"
#include "PropertyPointer.h"
#include "PropertyUColor.h"
#include "Quad.h"
#include "RPC.h"
#include "Renderable.h"
#include "RPC_RootObjectBase_randomSeed.h"
#include "RPC_RootObjectBase_destroyObject.h"
#include "RPC_PlimBase_clear.h"
#include "RPC_PlimBase_add.h"
#include "RPC_PlimBase_remove.h"
#include "RPC_PlimBase_callNetPostReplicate.h"
#include "RPC_PlimBase_callNetPostReplicateGlobal.h"
#include "RPC_PlimBase_setStateRaw.h"
#include "RPC_PlimBase_setState.h"
#include "RootObjectBase.h"
#include "ResourceManager.h"
#include "RuntimeClass.h"
#include "RuntimeClassManager.h"
#include "Skin.h"
#include "Texture.h"
#include "Sound.h"
#include "SoundChannel.h"
#include "TimeKeeper.h"
#include "VertexBuffer.h"

void registerPlimClasses() {
    // In the engine's registration order; the registry sorts them by name later.
    static RuntimeClass* const records[] = {
        &BasicLink::runtimeClass,
        &Console::runtimeClass,
        &Context::runtimeClass,
        &ErrorManager::runtimeClass,
        &FileManager::runtimeClass,
        &FontGDI::runtimeClass,
        &Logger::runtimeClass,
        &Property::runtimeClass,
        &PropertyContainer::runtimeClass,
        &PropertyDWORD::runtimeClass,
        &PropertyDouble::runtimeClass,
        &PropertyFloat::runtimeClass,
        &PropertyInt::runtimeClass,
        &PropertyPointer::runtimeClass,
        &PropertyUColor::runtimeClass,
        &RPC::runtimeClass,
        &ResourceManager::runtimeClass,
        &RootObjectBase::runtimeClass,
        &RPC_RootObjectBase_randomSeed::runtimeClass,
        &RPC_RootObjectBase_destroyObject::runtimeClass,
        &TimeKeeper::runtimeClass,
        &Plim::runtimeClass,
        &PlimBase::runtimeClass,
        &RPC_PlimBase_clear::runtimeClass,
        &RPC_PlimBase_add::runtimeClass,
        &RPC_PlimBase_remove::runtimeClass,
        &RPC_PlimBase_callNetPostReplicate::runtimeClass,
        &RPC_PlimBase_callNetPostReplicateGlobal::runtimeClass,
        &RPC_PlimBase_setStateRaw::runtimeClass,
        &RPC_PlimBase_setState::runtimeClass,
        &PlimGraphics::runtimeClass,
        &PlimInput::runtimeClass,
        &PlimNetwork::runtimeClass,
        &PlimAudio::runtimeClass,
        &Sound::runtimeClass,
        &SoundChannel::runtimeClass,
        &Camera::runtimeClass,
        &Texture::runtimeClass,
        &VertexBuffer::runtimeClass,
        &Skin::runtimeClass,
        &Quad::runtimeClass,
        &Renderable::runtimeClass,
    };
    static_assert(sizeof(records) / sizeof(records[0]) == PLIM_CLASS_COUNT,
                  "PLIM_CLASS_COUNT must match the engine's list");
    RuntimeClassManager* m = RuntimeClassManager::getInstance();
    for (RuntimeClass* r : records)
        m->registerClass(r);
}
