def test_import():
    import _orvy
