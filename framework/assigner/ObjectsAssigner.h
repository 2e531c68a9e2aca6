#pragma once

#include <QMetaObject>
#include <QMetaProperty>
#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

// Copies the state of one object into another, of the same or of another class, by matching
// their Qt properties by name (without regard to case). The instructions for a pair of classes
// are worked out once per assigner and kept, so repeated copies between the same classes only
// run them.
//
// What is copied is decided per property:
// - a value property whose type is exactly the same on both sides, readable on the source and
//   writable on the destination, is copied;
// - a property holding a pointer to a QObject-derived class on both sides fills the object the
//   destination already holds from the object the source holds, using the instructions for
//   the two declared classes; the destination's pointer itself is never replaced;
// - anything else (one side only, different types, callbacks, ignored names) is left alone.
//
// Process-wide registrations extend this: a procedure per class pair that runs before the
// property copies and may stop them, a procedure per class choosing between two properties of
// the same name, instruction providers, and names never copied. They belong to start-up and,
// like the assigner itself, to one thread.
class TObjectsAssigner {
public:
    class TAssignInstruction;
    class TRttiPropertyAssignInstruction;
    class TRttiPropertyAssignByProc;
    class TRttiPropertyAssignObject;
    class TRttiPropertyAssignCollection;

    using TInstructionList = std::vector<std::unique_ptr<TAssignInstruction>>;

    using TObjectAssignProcedure = void (*)(TObjectsAssigner& ObjAssigner, QObject& From,
                                            QObject& Dest, bool& Cancel);
    using TObjectDisambiguateProcedure = void (*)(TObjectsAssigner& ObjAssigner,
                                                  const QMetaObject& ObjClass,
                                                  const QMetaProperty& AProperty1,
                                                  const QMetaProperty& AProperty2,
                                                  QMetaProperty& SelectProperty);
    using TGetInstructionsProc = void (*)(TObjectsAssigner& AObjAssigner,
                                          const QMetaObject& ASourceClass,
                                          const QMetaObject& ADestClass,
                                          TInstructionList& AInstructionsList, bool& Cancel,
                                          bool& Handled);

    TObjectsAssigner();
    ~TObjectsAssigner();
    TObjectsAssigner(const TObjectsAssigner&) = delete;
    TObjectsAssigner& operator=(const TObjectsAssigner&) = delete;

    // Copies Source into Dest. A failure on the way propagates; what was copied before it stays.
    void Assign(QObject& Source, QObject& Dest);

    // Appends a caller-made instruction to this assigner's list for the pair, after whatever
    // the list already holds (it is built first when needed).
    void AddInstruction(const QMetaObject& SourceClass, const QMetaObject& DestClass,
                        std::unique_ptr<TAssignInstruction> AInstruction);

    bool HasIgnoreProperty(const QString& PropName) const;

    // Registrations. A list or table an assigner has already built does not see later ones.
    static void AddAssign(const QMetaObject& SourceClass, const QMetaObject& DestClass,
                          TObjectAssignProcedure AssignProc);
    static void AddDisambiguateProc(const QMetaObject& ObjClass,
                                    TObjectDisambiguateProcedure AProc);
    static void AddGetInstructionsProc(TGetInstructionsProc AProc);
    static void AddIgnoreProperty(const QString& AName);

private:
    using TClassPair = std::pair<const QMetaObject*, const QMetaObject*>;

    struct TCaseInsensitiveLess {
        bool operator()(const QString& A, const QString& B) const;
    };
    using TPropertyTable = std::map<QString, QMetaProperty, TCaseInsensitiveLess>;

    TInstructionList& GetInstructions(const QMetaObject& SourceClass,
                                      const QMetaObject& DestClass);
    const TPropertyTable& GetProperties(const QMetaObject& AClass);
    void ExecuteInstructions(QObject& Source, QObject& Dest,
                             const TInstructionList& AInstructions);

    void FillInstructions(const QMetaObject& SourceClass, const QMetaObject& DestClass,
                          TInstructionList& AInstructions);
    void FillProperties(const QMetaObject& AClass, TPropertyTable& ATable);
    void DiscardInstructionsFrom(std::size_t APosition) noexcept;

    std::map<TClassPair, TInstructionList> fInstructions;
    // The pairs of fInstructions in the order their lists were started, so that a failed build
    // can take back its own list and every list started during it.
    std::vector<TClassPair> fInstructionsOrder;
    std::map<const QMetaObject*, TPropertyTable> fProperties;
    // The (source, destination) objects being copied right now, to tell a cycle in the object
    // graph from ordinary nesting.
    std::set<std::pair<const QObject*, const QObject*>> fRunning;
};

// Creates the process-wide registrations with their defaults (the six ignored names and the
// collection provider) unless they exist already. Start-up calls it so that they are in place
// before anything else runs; any assigner operation would create them on first use anyway.
void RegisterDefaultAssignments();
