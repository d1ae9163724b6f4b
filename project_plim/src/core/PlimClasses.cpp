#include "PlimClasses.h"

#include "BasicLink.h"
#include "render/Camera.h"
#include "input/Console.h"
#include "Context.h"
#include "ErrorManager.h"
#include "files/FileManager.h"
#include "render/FontGDI.h"
#include "Logger.h"
#include "Plim.h"
#include "PlimBase.h"
#include "render/PlimGraphics.h"
#include "audio/PlimAudio.h"
#include "input/PlimInput.h"
#include "net/PlimNetwork.h"
#include "Property.h"
#include "PropertyContainer.h"
#include "PropertyDWORD.h"
#include "PropertyDouble.h"
#include "PropertyFloat.h"
#include "PropertyInt.h"
#include "PropertyPointer.h"
#include "PropertyUColor.h"
#include "render/Quad.h"
#include "serial/RPC.h"
#include "render/Renderable.h"
#include "serial/RPC_RootObjectBase_randomSeed.h"
#include "serial/RPC_RootObjectBase_destroyObject.h"
#include "serial/RPC_PlimBase_clear.h"
#include "serial/RPC_PlimBase_add.h"
#include "serial/RPC_PlimBase_remove.h"
#include "serial/RPC_PlimBase_callNetPostReplicate.h"
#include "serial/RPC_PlimBase_callNetPostReplicateGlobal.h"
#include "serial/RPC_PlimBase_setStateRaw.h"
#include "serial/RPC_PlimBase_setState.h"
#include "serial/RootObjectBase.h"
#include "ResourceManager.h"
#include "RuntimeClass.h"
#include "RuntimeClassManager.h"
#include "render/Skin.h"
#include "render/Texture.h"
#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "TimeKeeper.h"
#include "render/VertexBuffer.h"

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
